INSERT INTO keys(parent,name) SELECT id,'Stations' FROM keys WHERE name='Corvane';
INSERT INTO vals SELECT id,'Count',1,'3' FROM keys WHERE name='Stations';
INSERT INTO keys(parent,name) SELECT id,'Station1' FROM keys WHERE name='Stations';
INSERT INTO vals SELECT id,'Freq',4,99999999999 FROM keys WHERE name='Station1';
INSERT INTO vals SELECT id,'Name',7,NULL FROM keys WHERE name='Station1';
INSERT INTO keys(parent,name) SELECT id,'Radio' FROM keys WHERE name='Corvane';
INSERT INTO vals SELECT id,'ExitAudioSource',4,-1e300 FROM keys WHERE name='Radio';
