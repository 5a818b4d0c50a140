INSERT INTO keys(parent,name) SELECT id,'Channels' FROM keys WHERE name='Corvane';
INSERT INTO vals SELECT id,'Count',4,2147483647 FROM keys WHERE name='Channels';
INSERT INTO vals SELECT id,'LastIndex',4,-2147483648 FROM keys WHERE name='Channels';
INSERT INTO keys(parent,name) SELECT id,'Channel1' FROM keys WHERE name='Channels';
INSERT INTO vals SELECT id,'Freq',4,x'00ff' FROM keys WHERE name='Channel1';
INSERT INTO vals SELECT id,'Name',1,12.5 FROM keys WHERE name='Channel1';
INSERT INTO vals SELECT id,'Enabled',4,'yes' FROM keys WHERE name='Channel1';
